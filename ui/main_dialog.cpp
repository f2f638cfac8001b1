#include "ui/main_dialog.h"
