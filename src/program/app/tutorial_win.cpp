// The Training Card tutorial state and its cards.
#include "tutorial.h"

#include "framework.h"

TutorialState& Tutorial() {
  static TutorialState state;
  return state;
}

void ShowTrainingCard(UINT command, DWORD context) {
  kwf::Application* app = kwf::GetApp();
  if (!app)
    return;
  app->WinHelpFile(app->HelpFile() + ">TCard", context, HELP_TCARD | command);
  Tutorial().lastContext = context;
}

DWORD TutorialStepContext(int step) {
  // 0xF005 is not used.
  static const DWORD kContexts[] = {0xF002, 0xF003, 0xF004, 0xF006, 0xF007,
                                    0xF008, 0xF009, 0xF00A, 0xF00B};
  if (step < 0 || step >= static_cast<int>(sizeof kContexts / sizeof kContexts[0]))
    return 0;
  return kContexts[step];
}
