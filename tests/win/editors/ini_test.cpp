// placeholder until the tests of this tab land
#include "editortest.h"
