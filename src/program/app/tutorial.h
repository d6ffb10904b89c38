// The Training Card tutorial: help cards beside the main window that follow
// the user through the tabs.
#pragma once

#include <windows.h>

struct TutorialState {
  bool tracking = false;  // following the user's progress
  int step = 0;           // 0 to 9
  DWORD lastContext = 0;  // the card shown last
};

// The process-wide tutorial state.
TutorialState& Tutorial();
// Shows a card: the help file joined to ">TCard", the card command combined
// with command, at context; remembers the context.
void ShowTrainingCard(UINT command, DWORD context);
// The card for a tab step, 0 when the step has none.
DWORD TutorialStepContext(int step);
