// The program's version, for the code and the resources alike.
#pragma once
#define PELLWICK_VERSION "1.190416"
