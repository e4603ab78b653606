#pragma once
// Everything the program leaves on a machine beside its own files, and removing it when
// the program is uninstalled: nothing of it may stay behind, the contact list and the
// password least of all.
#include "destinations/windows_contacts/ContactSwap.h"

#include <string>

namespace tessaly {

struct ProgramTraces {
    // Beside the executable: the settings file (it holds the password) and the download
    // file; the partial download beside it is found from its name.
    std::string settingsFile;
    std::string downloadFile;
    // UTF-8: the program's folder under the user's local application data, with all it
    // holds (the Windows Mail staging area, the records runs keep there), and the staging
    // root inside it, whose record may name one on another volume.
    std::string localDataFolder;
    std::string stagingRoot;
};

// Where they are for this user and this executable.
ProgramTraces SystemProgramTraces();

// First finishes a Windows Mail swap that a killed run left, so that its contact folder
// ends with one whole version, then removes the files, a staging root recorded on another
// volume and the local data folder, whatever the swap's recovery did. Returns 0, or 3 with
// `message` saying what could not be finished or removed; everything else is gone.
int RemoveProgramTraces(const ProgramTraces& traces, ISwapFiles& files, std::string& message);

} // namespace tessaly
