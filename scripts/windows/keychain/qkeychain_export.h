// The Windows build links the keychain statically: nothing to export or import.
#ifndef QKEYCHAIN_EXPORT_H
#define QKEYCHAIN_EXPORT_H

#define QKEYCHAIN_EXPORT

#endif
