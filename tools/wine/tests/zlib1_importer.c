/* Imports zlib1.dll, which Windows does not have: the test prefix must not start it. */
#include <zlib.h>

int main(void) { return zlibVersion()[0] == 0; }
