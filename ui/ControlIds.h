#pragma once
// The main window's controls, in creation order, and their names.
#include <array>
#include <cstddef>
#include <string_view>

namespace tessaly {

enum class Ctl {
    // From the window's description.
    pnlTop, gbxSrc, lblSource, lblSourceV, lblUser, lblUserV, lblPass, lblPassV,
    edtSource, edtUser, edtPass, gbxDst, lblTo, lblToV, cmbTo, lblTitle, lblTitleV,
    edtTitle, lblScheduler, lblSchedulerV, lblEvery, lblDay, lblAT, lblTime,
    cmbScheduler, dtScheduler, lblStatus, lblESC,
    // Made in code.
    imgTop, btnSchedule, btnSync, lblProduct, lblStatusV, aniBusy,
    Count
};

inline constexpr size_t kControlCount = static_cast<size_t>(Ctl::Count);

constexpr size_t Index(Ctl c) { return static_cast<size_t>(c); }

// Each control's window id: fixed, so tests and tools can find a control by name.
constexpr int ControlId(Ctl c) { return 1000 + static_cast<int>(c); }

inline constexpr std::array<std::string_view, kControlCount> kControlNames = {
    "pnlTop", "gbxSrc", "lblSource", "lblSourceV", "lblUser", "lblUserV", "lblPass", "lblPassV",
    "edtSource", "edtUser", "edtPass", "gbxDst", "lblTo", "lblToV", "cmbTo", "lblTitle", "lblTitleV",
    "edtTitle", "lblScheduler", "lblSchedulerV", "lblEvery", "lblDay", "lblAT", "lblTime",
    "cmbScheduler", "dtScheduler", "lblStatus", "lblESC",
    "imgTop", "btnSchedule", "btnSync", "lblProduct", "lblStatusV", "aniBusy",
};

constexpr std::string_view ControlName(Ctl c) { return kControlNames[Index(c)]; }

} // namespace tessaly
