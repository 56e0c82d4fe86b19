// Each driver's answers to what a think reports (see search/report.h); a driver installs
// its own set when it takes over the program.
#pragma once

namespace frontend {

void installConsoleReports();
void installXboardReports();
void installUciReports();

}  // namespace frontend
