// Identifiers of the resources and of the settings dialog's controls, shared by the
// resource script and the code.
#pragma once

#define IDD_SETTINGS 102
#define IDI_PROGRAM 128

#define IDC_RESTORE_DEFAULTS 4
#define IDC_PICTURE 1006
#define IDC_VIDEO_MODE 1008
#define IDC_DESKTOP 1010
#define IDC_FPS 1012
#define IDC_VSYNC 1013
#define IDC_LOW_CPU 1014
#define IDC_ABOUT 1015
#define IDC_PRODUCT 1017
#define IDC_BRIGHTNESS 1041
#define IDC_SHOW_TIME 1044
#define IDC_BRIGHTNESS_LABEL 1045
#define IDC_CLOCK_24H 1047
#define IDC_CLOCK_12H 1048
#define IDC_MUSIC 1049
#define IDC_MUSIC_VOLUME 1050
#define IDC_MUSIC_GROUP 1051
#define IDC_SEPARATOR 1052
#define IDC_MUSIC_VOLUME_LABEL 1053
#define IDC_TRANSITION_TIME 1054
#define IDC_TRANSITION_TIME_LABEL 1055
#define IDC_KEEP_TIME_LABEL 1056
#define IDC_KEEP_TIME 1057
