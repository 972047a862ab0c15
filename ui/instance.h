// The module whose resources every part of the program loads; stored by the entry point.
#ifndef SONOREL_UI_INSTANCE_H
#define SONOREL_UI_INSTANCE_H

#include <windows.h>

extern HINSTANCE AppInstance;

#endif
