#include "shell/menu.h"

#include "platform/fsound.h"
#include "platform/geometry.h"
#include "platform/input.h"
#include "player/game.h"
#include "presentation/datafile.h"
#include "presentation/menustep.h"
#include "presentation/text.h"
#include "presentation/sounds.h"
#include "records/dialogs.h"
#include "records/progress.h"
#include "records/save.h"
#include "shell/globals.h"
#include "shell/practicescreen.h"
#include "shell/settingsscreen.h"
#include "story/graph.h"

static const int MENU_ITEMS = 6;
static const int MENU_ACTION = 10;   // an activated item's selection times this is its action code
static const int MENU_BIG = 60;
static const int MENU_NORMAL = 40;
static const int MENU_SMALL = 25;
static const char MENU_CR[] = "A story in letters by the Paperlune team";
static const int MENU_CR_X = 40;
static const int MENU_CR_Y = 50;
static const int MENU_TITLE_X = 80;
static const int MENU_TITLE_Y = 150;
static const int MENU_ITEM_X = 80;
static const int MENU_TEXT_COLOR = 0x000000;
static const int MENU_HIGHLIGHT_COLOR = 0xFF0000;

static const char MENU_NG[] = "New game";
static const char MENU_LG[] = "Continue Playing";
static const char MENU_PR[] = "Practice";
static const char MENU_HS[] = "Hall of Records";
static const char MENU_SET[] = "Settings";
static const char MENU_QG[] = "Quit";

// Said once, on the menu's first showing, when the game is silent.
static const char MENU_NO_SOUND[] = "No sound: no sound device was found";
static const char MENU_SOUND_BUSY[] = "No sound: another program holds the sound device";
static const int MENU_NOTICE_X = 80;
static const int MENU_NOTICE_Y = 432;   // below the sixth item
static const int MENU_NOTICE_SIZE = 20;
static const int MENU_NOTICE_COLOR = 0x8C2B27;

// Pointer bands, inclusive: x 81..249, and per item y from its drawn y + 1
// over 19 lines.
static const int MENU_BAND_LEFT = 81;
static const int MENU_BAND_RIGHT = 249;
static const int MENU_BAND_HEIGHT = 19;

struct MenuItem {
    const char *text;
    int y;
};

static const MenuItem MENU_LIST[MENU_ITEMS] = {
    {MENU_NG, 250}, {MENU_LG, 280}, {MENU_PR, 310}, {MENU_HS, 340}, {MENU_SET, 370}, {MENU_QG, 400},
};

static const int ACTION_NEW_GAME = 10;
static const int ACTION_CONTINUE = 20;
static const int ACTION_PRACTICE = 30;
static const int ACTION_RECORDS  = 40;
static const int ACTION_SETTINGS = 50;
static const int ACTION_QUIT     = 60;

int MenuItemAt(int x, int y)
{
    if (x < MENU_BAND_LEFT || x > MENU_BAND_RIGHT)
        return 0;
    for (int i = 0; i < MENU_ITEMS; i++) {
        int top = MENU_LIST[i].y + 1;
        if (y >= top && y < top + MENU_BAND_HEIGHT)
            return i + 1;
    }
    return 0;
}

int MenuNextSelection(int selection, const MenuInput &input, int *keySounds)
{
    *keySounds = 0;
    if (input.keyWaiting) {
        // The arrows sound even at the ends of the list.
        selection = MoveSelection(selection, MENU_ITEMS, input.up, input.down);
        *keySounds = input.up + input.down;
        if (input.enter)
            selection *= MENU_ACTION;
    }
    // The pointer wins over the keys, so Enter over a band undoes itself.
    int pointed = MenuItemAt(input.pointerX, input.pointerY);
    if (pointed)
        selection = pointed;
    if (input.click && pointed)
        selection *= MENU_ACTION;
    return selection;
}

// A place "Continue Playing" can take up; a resume value in no group (a
// damaged file) is none.
static bool SavedPlace()
{
    return SaveData.resumeId > 0 && EntryScene(SaveData.resumeId);
}

// What the menu draws besides the selection.
struct MenuPage {
    ALFONT_FONT *font;
    const char *notice;   // a line below the items, or null
};

static const char *SoundNotice()
{
    switch (SoundStartResult()) {
    case SOUND_NO_DEVICE: return MENU_NO_SOUND;
    case SOUND_DEVICE_BUSY: return MENU_SOUND_BUSY;
    default: return nullptr;
    }
}

static void DrawMenu(BITMAP *buffer, int selection, void *state)
{
    const MenuPage *page = static_cast<const MenuPage *>(state);
    ALFONT_FONT *font = page->font;
    blit(DataBitmap(MENU_BACKGROUND), buffer, 0, 0, 0, 0, GAME_W, GAME_H);
    // Twice at the same place: the second pass darkens the soft edges.
    Textout(buffer, font, MENU_CR, MENU_CR_X, MENU_CR_Y, MENU_TEXT_COLOR, MENU_SMALL, AA);
    Textout(buffer, font, MENU_CR, MENU_CR_X, MENU_CR_Y, MENU_TEXT_COLOR, MENU_SMALL, AA);
    Textout(buffer, font, APP_TITLE, MENU_TITLE_X, MENU_TITLE_Y, MENU_TEXT_COLOR, MENU_BIG, AA);
    for (int i = 0; i < MENU_ITEMS; i++)
        Textout(buffer, font, MENU_LIST[i].text, MENU_ITEM_X, MENU_LIST[i].y, MENU_TEXT_COLOR, MENU_NORMAL, AA);
    if (selection >= 1 && selection <= MENU_ITEMS) {
        const MenuItem &item = MENU_LIST[selection - 1];
        Textout(buffer, font, item.text, MENU_ITEM_X, item.y, MENU_HIGHLIGHT_COLOR, MENU_NORMAL, AA);
    }
    if (page->notice)
        Textout(buffer, font, page->notice, MENU_NOTICE_X, MENU_NOTICE_Y, MENU_NOTICE_COLOR, MENU_NOTICE_SIZE, AA);
}

void MainMenu(BITMAP *buffer, ALFONT_FONT *font)
{
    int selection = 1;
    MenuPage page = {font, SoundNotice()};
    MenuScreen menu = MenuScreenFor(buffer, DrawMenu, &page, true, true);
    while (selection != ACTION_QUIT) {
        // The window's close button is "Quit".
        if (CloseRequested())
            break;
        MenuInput input;
        input.keyWaiting = KeyWaiting();
        input.up = KeyHit(KEY_UP);
        input.down = KeyHit(KEY_DOWN);
        input.enter = KeyHit(KEY_ENTER);
        PointerPosition(&input.pointerX, &input.pointerY);
        input.click = PointerClicked();
        int keySounds;
        selection = MenuNextSelection(selection, input, &keySounds);
        for (int i = 0; i < keySounds; i++)
            PlayGameSound(SOUND_KEY);
        if (input.keyWaiting)
            ClearState();
        // The notice stands on the first showing only: any item taken ends it.
        if (selection >= MENU_ACTION)
            page.notice = nullptr;

        switch (selection) {
        case ACTION_NEW_GAME:
            PlayGameSound(SOUND_BELL);
            ClearState();
            if (!SavedPlace() || newGameWnd()) {
                NewGameBegun();
                game(ENTRY_NEW_GAME);
            }
            selection = ACTION_NEW_GAME / MENU_ACTION;
            menu.fadeIn = true;
            break;
        case ACTION_CONTINUE:
            PlayGameSound(SOUND_BELL);
            ClearState();
            if (SavedPlace())
                game(SaveData.resumeId);
            selection = ACTION_CONTINUE / MENU_ACTION;
            menu.fadeIn = true;
            break;
        case ACTION_PRACTICE:
            PlayGameSound(SOUND_BELL);
            ClearState();
            practiceWnd();
            selection = ACTION_PRACTICE / MENU_ACTION;
            menu.fadeIn = true;
            break;
        case ACTION_RECORDS:
            PlayGameSound(SOUND_BELL);
            ClearState();
            highscoreWnd();
            selection = ACTION_RECORDS / MENU_ACTION;
            menu.fadeIn = true;
            break;
        case ACTION_SETTINGS:
            PlayGameSound(SOUND_BELL);
            ClearState();
            settingsWnd();
            selection = ACTION_SETTINGS / MENU_ACTION;
            menu.fadeIn = true;
            break;
        case ACTION_QUIT:
            PlayGameSound(SOUND_BELL);
            continue;
        default:
            break;
        }
        if (CloseRequested())
            break;

        MenuStep(menu, selection);
    }
}
