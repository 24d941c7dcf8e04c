#pragma once

#include <QString>

// The page Help > Online Help opens: the support page on the maker's web site, "http://<host>/support.htm",
// when a host was set at build time; otherwise the user guide installed with the program, as a file address.
// The guide lies next to the program (a program folder, the build) or in ../share/coffernote (an installed
// package); when it is in neither, the address next to the program is opened all the same, so the browser says
// what is missing.
QString OnlineHelpAddress(const QString& supportHost, const QString& programFolder);
