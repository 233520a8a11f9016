#pragma once

#include <QString>

// The program's product name and version, from the build (the project's name and version).

// A file version a.b.c.d as the program shows it: "%u.%u%u" of a, b and c, so 3.0.2.0 reads
// "3.02" and 10.1.12.0 reads "10.112"; the fourth number is not shown.
QString FormatFileVersion(unsigned major, unsigned minor, unsigned patch, unsigned build = 0);

QString ProductName();
// This build's version, formatted as above.
QString ProductVersion();
// "<product> Version <version>", the line of the about box.
QString ProductVersionLine();
// "<product> V<version>", the title of the wizard window.
QString ProductWindowTitle();
