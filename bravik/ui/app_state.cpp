#include "bravik/ui/app_state.h"

AppStateBlock AppState;
