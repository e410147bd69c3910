/* The host header compiles as C, so that a host written in C uses it as it is. Nothing here is
 * called: the declarations are only checked by the compiler. */
#include "varnex/varnex.h"

int varnexHeaderIsC(void);

int varnexHeaderIsC(void) {
    TPercentCallback callback = 0;
    char* text = 0;
    return callback == 0 && text == 0 && sizeof(DoIt("", "")) == sizeof(int32_t) &&
           sizeof(GetProcPercent()) == sizeof(double) && sizeof(&GetErrorStr) > 0 &&
           sizeof(&SetCallBackPercent) > 0;
}
