#include "presentation/show.h"

#include "platform/display.h"
#include "presentation/datafile.h"

int show(BITMAP *target)
{
    DisplayFade(target);
    return 1;
}

int show(int index)
{
    return show(DataBitmap(index));
}
