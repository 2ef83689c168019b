# The 33 positions of game.dat, in order: index, how it is stored, source name.
# "jpeg" pictures are photographs of a kind and keep small; "bitmap" ones must
# come back pixel-exact (the typing pages, which the sprites are cut from, and
# everything with a mask). "sprite:PAGE" is a timer sprite laid on a copy of
# its typing page, so it fades into the desk without a seam.
set(PICTURE_TABLE
  "0 jpeg 00_pause"
  "1 jpeg 01_thoughts"
  "2 bitmap 02_unused"
  "3 bitmap 03_typing_spring"
  "4 bitmap 04_typing_summer"
  "5 bitmap 05_typing_autumn"
  "6 bitmap 06_typing_winter"
  "7 jpeg 07_menu"
  "8 jpeg 08_letterpaper"
  "9 bitmap 09_pointer"
  "10 sprite:03_typing_spring 10_hourglass_full"
  "11 sprite:03_typing_spring 11_hourglass_low"
  "12 sprite:04_typing_summer 12_candle_tall"
  "13 sprite:04_typing_summer 13_candle_stub"
  "14 sprite:05_typing_autumn 14_lamp_bright"
  "15 sprite:05_typing_autumn 15_lamp_low"
  "16 sprite:06_typing_winter 16_moon_full"
  "17 sprite:06_typing_winter 17_moon_crescent"
  "18 jpeg 18_end_red"
  "19 jpeg 19_end_green"
  "20 jpeg 20_end_blue"
  "21 jpeg 21_letter_seal"
  "22 jpeg 22_letter_photo"
  "23 jpeg 23_letter_window"
  "24 jpeg 24_end_irela"
  "25 jpeg 25_end_tovanne"
  "26 jpeg 26_timeout"
  "27 jpeg 27_intro_team"
  "28 jpeg 28_intro_town"
  "29 jpeg 29_intro_title"
  "30 jpeg 30_intro_door"
  "31 jpeg 31_intro_mat"
  "32 jpeg 32_intro_desk")

# Where the game draws the timer sprites, and the size they are drawn at
# (draw.py uses the same figures).
set(SPRITE_GEOMETRY "220x330+380+42")
set(SPRITE_RIM 2)        # pixels of desk kept around each sprite
set(JPEG_QUALITY 92)
