#include "linux/idle/blank_lead.h"

#include <algorithm>

unsigned idleSecondsBeforeBlank(unsigned asked, unsigned gnomeBlank)
{
    if (gnomeBlank == 0 || asked < gnomeBlank)
        return asked;
    return gnomeBlank > 2 * gnomeBlankLeadSeconds ? gnomeBlank - gnomeBlankLeadSeconds
                                                  : std::max(1u, gnomeBlank / 2);
}
