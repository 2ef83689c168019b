#include "presentation/show.h"

#include "presentation/datafile.h"

// The final copy names a region larger than any mode the game sets; the
// library cuts it to the target and the screen.
static const int SHOW_FINAL_W = 800;
static const int SHOW_FINAL_H = 600;

int ShowWeight(int step)
{
    return step * SHOW_WEIGHT_STEP;
}

void ShowBlendStep(BITMAP *work, BITMAP *target, int weight)
{
    set_trans_blender(0, 0, 0, weight);
    draw_trans_sprite(work, target, 0, 0);
}

int show(BITMAP *target)
{
    BITMAP *work = create_bitmap(SCREEN_W, SCREEN_H);
    if (work) {
        blit(screen, work, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        // Each step blends onto the previous one, so the old picture goes
        // faster than the weights alone suggest.
        for (int step = 0; step < SHOW_STEPS; step++) {
            ShowBlendStep(work, target, ShowWeight(step));
            vsync();
            blit(work, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        }
        destroy_bitmap(work);
    }
    blit(target, screen, 0, 0, 0, 0, SHOW_FINAL_W, SHOW_FINAL_H);
    return 1;
}

int show(int index)
{
    return show(DataBitmap(index));
}
