#pragma once
// `-p`: what a run with the settings file would do to the folder, printed to standard
// output, with nothing changed anywhere.
namespace tessaly {

// Reads the settings as an unattended run does, downloads the list, reads the folder and
// prints the plan (app/PreviewText.h). Answers the exit code the run would have: 0, 1
// (settings refused, download or list failed, destination missing), 3 (an error), 4 (the
// plan passes RemoveLimit). Warnings go to standard error; the run log gets a line.
int RunPreviewCommand();

} // namespace tessaly
