#include "preparejava/ServerRunsReport.h"

#include "installation/ServerState.h"
#include "seam/ErrorText.h"

PrepareReport ReportServerRuns(seam::Platform &os, const std::wstring &folder) {
    const ServerState state = InstallationServerState(os, folder);
    switch (state.answer) {
    case ServerState::Answer::None:
        return {kNoServerRuns, L"No server of the installation in " + folder + L" is running."};
    case ServerState::Answer::Runs:
        return {kServerRuns, L"The server of the installation in " + folder + L" is running."};
    case ServerState::Answer::CannotTell:
        break;
    }
    std::wstring why;
    if (state.obstacle == ServerState::Obstacle::Lock)
        why = L"its lock cannot be looked up: " + seam::DescribeError(os, state.error, L"");
    else if (state.error != 0)
        why = L"the folder cannot be identified: " + seam::DescribeError(os, state.error, folder);
    else
        why = L"the folder's file system gives it no identity.";
    return {kCannotTell, L"Whether the server of the installation in " + folder +
                             L" is running cannot be told: " + why};
}
