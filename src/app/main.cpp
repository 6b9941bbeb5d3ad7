// The program's one application object; WinMain (framework) runs it.
#include "app/fmd_app.h"

CFMDApp theApp;
