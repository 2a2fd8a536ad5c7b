// The main windows of these tests are made as the program makes its own, with the service side.
#include "qtsupport/Serviceside.h"
