// The Credential Manager's generic credentials, for the checks of the installer and the
// uninstaller (scripts/windows/test.sh):
//   credential.exe write TARGET SECRET   writes one, as the program's keychain writes a password
//   credential.exe has TARGET            exit status 0 when it is there, 1 when it is not
// Exit status 2 for wrong usage or a failed write.

#include <windows.h>
#include <wincred.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int Write(const wchar_t* target, const wchar_t* secret) {
  std::wstring blob(secret);
  CREDENTIALW credential{};
  credential.Type = CRED_TYPE_GENERIC;
  credential.TargetName = const_cast<wchar_t*>(target);
  credential.CredentialBlobSize = static_cast<DWORD>(blob.size() * sizeof(wchar_t));
  credential.CredentialBlob = reinterpret_cast<LPBYTE>(blob.data());
  credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
  if (CredWriteW(&credential, 0)) return 0;
  std::fprintf(stderr, "credential: cannot write: error %lu\n", GetLastError());
  return 2;
}

int Has(const wchar_t* target) {
  PCREDENTIALW credential = nullptr;
  if (!CredReadW(target, CRED_TYPE_GENERIC, 0, &credential)) return 1;
  CredFree(credential);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wcscmp(argv[1], L"write") == 0) return Write(argv[2], argv[3]);
  if (argc == 3 && std::wcscmp(argv[1], L"has") == 0) return Has(argv[2]);
  std::fputs("usage: credential write TARGET SECRET | credential has TARGET\n", stderr);
  return 2;
}
