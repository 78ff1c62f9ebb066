#pragma once

// The program's own FreeTDS configuration file. The FreeTDS driver checks a server's certificate
// only for a login that names a server section of a configuration file ("ca file",
// "check certificate hostname"); it ignores such keys in a connection string. So the program
// names a file of its own to the driver through FREETDSCONF, for the whole run, and writes into
// it one section for each login that verifies the server's certificate.
//
// A login named by `Server=` in its connection string reads no configuration file at all (the
// driver looks one up only for `Servername=`), so the file changes nothing for the other logins.
// Once the driver finds a login's section in the program's file, it reads no other file: so each
// section carries the [global] settings the driver would otherwise have taken from the
// system's files (TDS version, client character set and the like).

#include <QList>
#include <QString>

namespace freetds_config {

struct Setting {
  QString key;  // as FreeTDS reads it: lower case, single blanks
  QString value;
  bool operator==(const Setting&) const = default;
};

// Names the file to the driver. Called once at the start of the program, before any other
// thread runs: the driver reads the variable at every login. The file is made only when a login
// first needs it (0600, in a folder made 0700), holds no password, and is removed when the
// program ends. A FREETDSCONF set before the start is still read for its [global] settings.
void Prepare();

// The file the driver is told of; empty before Prepare.
QString FilePath();

// The [global] settings the driver takes from the configuration files it reads for a section
// that none of them holds, in its order, the later file winning: the FREETDSCONF the program
// was started with, $FREETDS/etc/freetds.conf, ~/.freetds.conf, and the system's file.
QList<Setting> SystemSettings();

// Writes the section `name` with `settings` (a section of that name is replaced); the file is
// replaced whole at once, so a login reading it meanwhile reads it whole. Throws
// platform::Error with the system's reason when the file cannot be written.
void WriteSection(const QString& name, const QList<Setting>& settings);

// Whether FreeTDS reads `value` back as written: no ';' or '#' (they end a value), no control
// character, no blank at either end nor two together, and short enough for its lines.
bool Writable(const QString& value);

// For tests: the system's file, and the FREETDSCONF the program was started with.
void SetSystemFile(const QString& path);
void SetStartedWith(const QString& path);

}  // namespace freetds_config
