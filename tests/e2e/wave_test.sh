#!/usr/bin/env bash
# End to end: wave to go on. The real game in a real X window on the virtual
# webcam: snow wins the picture and the round target shows in its top right
# corner; snow everywhere never fills it; a camera that moves only inside
# the target (snow in that box, black around it) fills it and brings
# picture 2, with the whoosh; a click on the target does too.
#
#   wave_test.sh GAME IMAGES_DIR [SHOTS_DIR]
#
# GStreamer must find the virtual camera (GST_PLUGIN_PATH, GST_REGISTRY).
set -uo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ICE2="$IMAGES/frostpane_002_ice.png"
# The target in a 640 x 480 window: 48 round (584, 56); a box inside its disc
# and a band of the picture well away from it.
TARGET_BOX='[40x40+544+36]'
AWAY='[480x60+0+0]'
# Where the back camera, which is not mirrored, shows the square round the
# target's circle: x 536..632, y 8..104 of its 640 x 480 frame.
BACK_REGION=0.8375,0.0167,0.15,0.2

# target_shown NAME: a fresh screenshot NAME whose target box is not the
# photograph's: the disc and the arrow are drawn there.
target_shown() { shot "$1" && different "$SHOTS/$1.png$TARGET_BOX" "$PHOTO$TARGET_BOX" 0.08; }
# picture_one NAME, picture_two NAME: the picture away from the target is
# the first photograph, or the second picture's ice.
picture_one() { shot "$1" && similar "$SHOTS/$1.png$AWAY" "$PHOTO$AWAY" 0.05; }
picture_two() { shot "$1" && similar "$SHOTS/$1.png$AWAY" "$ICE2$AWAY" 0.06; }

echo "snow wins the picture; snow alone never fills the target"
start_game FROSTPANE_VCAM0_PATTERN=snow
tap "${CAMERA_ICON[@]}"
check "the photograph shows with the banner" wait_until 20 picture_one snow_won
check "the target shows in the top right corner" wait_until 5 target_shown snow_target
# Snow moves everywhere, inside the target as much as around it: three
# seconds of it (three times what fills the target) change nothing. The time
# passing is the point.
sleep 3
check "still picture 1 after 3 s more of snow" picture_one snow_later
check "and the target is still there" target_shown snow_later_target

echo "a hand waving only at the target brings picture 2"
# Camera 0 wins with snow; camera 1, the back one, moves only in the box
# round the target.
start_game FROSTPANE_VCAM_DEVICES=2 FROSTPANE_VCAM0_PATTERN=snow FROSTPANE_VCAM1_PATTERN=snow \
  FROSTPANE_VCAM1_REGION=$BACK_REGION
tap "${CAMERA_ICON[@]}"
check "snow wins picture 1" wait_until 20 picture_one wave_won
check "the target shows" wait_until 5 target_shown wave_target
tap "${EMPTY_SPOT[@]}"
tap "${SWITCH_ICON[@]}"
check "waving at the target brings picture 2" wait_until 15 picture_two wave_next

echo "a click on the target brings picture 2; a click beside it shows the tools"
start_game FROSTPANE_VCAM0_PATTERN=snow
tap "${CAMERA_ICON[@]}"
check "snow wins picture 1" wait_until 20 picture_one click_won
check "the target shows" wait_until 5 target_shown click_target
# Snow goes on wiping; picture 2 shows as its photograph soon after, with
# the specks of ice the snow just missed (0.08 from the photograph, where
# the first photograph is 0.4 away).
PHOTO2="$IMAGES/frostpane_002.png"
tap 584 56
picture_two_played() { shot "$1" && similar "$SHOTS/$1.png$AWAY" "$PHOTO2$AWAY" 0.15; }
check "the click brought picture 2" wait_until 10 picture_two_played click_next
# Above the banner, which comes back at once: the melt levels carry over.
check "and no tools" similar "$SHOTS/click_next.png[60x60+226+66]" "$PHOTO2[60x60+226+66]" 0.1

finish
