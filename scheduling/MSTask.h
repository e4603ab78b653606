#pragma once
// Task Scheduler 1.0 declarations. MinGW's mstask.h carries the interfaces and the
// identifiers (the GUIDs come from libuuid); this adds the __uuidof that IID_PPV_ARGS and
// ComPtr's casts need and pins the trigger record to the layout the program composes.
#include <windows.h>

#include <mstask.h>
#include <objidl.h>

#include "scheduling/TaskDescription.h"

#include <cstddef>

__CRT_UUID_DECL(ITaskTrigger, 0x148BD52B, 0xA2AB, 0x11CE, 0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03)
__CRT_UUID_DECL(IScheduledWorkItem, 0xa6b952f0, 0xa4b1, 0x11d0, 0x99, 0x7d, 0x00, 0xaa, 0x00, 0x68, 0x87, 0xec)
__CRT_UUID_DECL(ITask, 0x148BD524, 0xA2AB, 0x11CE, 0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03)
__CRT_UUID_DECL(IEnumWorkItems, 0x148BD528, 0xA2AB, 0x11CE, 0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03)
__CRT_UUID_DECL(ITaskScheduler, 0x148BD527, 0xA2AB, 0x11CE, 0xB1, 0x1F, 0x00, 0xAA, 0x00, 0x53, 0x05, 0x03)

static_assert(sizeof(TASK_TRIGGER) == sizeof(tessaly::TaskTriggerRecord));
static_assert(offsetof(TASK_TRIGGER, wStartHour) == offsetof(tessaly::TaskTriggerRecord, wStartHour));
static_assert(offsetof(TASK_TRIGGER, rgFlags) == offsetof(tessaly::TaskTriggerRecord, rgFlags));
static_assert(offsetof(TASK_TRIGGER, TriggerType) == offsetof(tessaly::TaskTriggerRecord, TriggerType));
static_assert(offsetof(TASK_TRIGGER, Type) == offsetof(tessaly::TaskTriggerRecord, DaysInterval));
static_assert(offsetof(TASK_TRIGGER, Reserved2) == offsetof(tessaly::TaskTriggerRecord, Reserved2));
static_assert(offsetof(TASK_TRIGGER, wRandomMinutesInterval) ==
              offsetof(tessaly::TaskTriggerRecord, wRandomMinutesInterval));
