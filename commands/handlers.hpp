// The menu handlers, each running its row of the command table.
#pragma once

#include "textfmt/command.hpp"

namespace z5 {

Outcome mnuUnpack_Click(Host& host);
Outcome mnuPack_Click(Host& host);
Outcome mnuCleanUp_Click(Host& host);
Outcome mnuDecompile_Click(Host& host);
Outcome mnuTxtDoc_Click(Host& host);
Outcome mnuTrkDecompile_Click(Host& host);
Outcome mnuTrkCompile_Click(Host& host);
Outcome mnu3doDecompile_Click(Host& host);
Outcome mnu3doCompile_Click(Host& host);
Outcome mnuTrkView_Click(Host& host);
Outcome mnu3doView_Click(Host& host);
Outcome mnu3doExport_Click(Host& host);
Outcome mnu3doPositions_Click(Host& host);
Outcome mnuCamDecompile_Click(Host& host);
Outcome mnuCamCompile_Click(Host& host);
Outcome mnuScrDecompile_Click(Host& host);
Outcome mnuScrCompile_Click(Host& host);
Outcome mnuSetupDecompile_Click(Host& host);
Outcome mnuSetupCompile_Click(Host& host);

}  // namespace z5
