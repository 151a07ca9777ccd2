/* Bitmap resources of the editor: resource ids (type "PNG", language 1033) and the
   names of the same images in the source tree, in the order the editor loads them.
   Plain macros only: the resource compiler reads this file too. */
#ifndef CORVANE_RESOURCE_H
#define CORVANE_RESOURCE_H

#define BKG_ID 100
#define KNOB_ID 101
#define DOT_SWITCH_ID 102
#define BUTTON_ID 103
#define LOCK_ID 104
#define ON_OFF_ID 105

#define BKG_FN "resources/img/bkg.png"
#define KNOB_FN "resources/img/knob.png"
#define DOT_SWITCH_FN "resources/img/dot-switch.png"
#define BUTTON_FN "resources/img/button.png"
#define LOCK_FN "resources/img/lock.png"
#define ON_OFF_FN "resources/img/on-off.png"

/* Frames of each strip (stacked vertically; frame 0 is on top). */
#define KNOB_FRAMES 101
#define DOT_SWITCH_FRAMES 2
#define BUTTON_FRAMES 2
#define LOCK_FRAMES 2
#define ON_OFF_FRAMES 2

#endif
