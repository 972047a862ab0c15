#include "ui/instance.h"

HINSTANCE AppInstance = nullptr;
