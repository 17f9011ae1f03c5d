// Resource identifiers shared by the .rc script and the code that loads the resources.
#pragma once

#define IDI_PIKUTO 1      // icon group: 16, 32 and 48 pixels, 256 colours
#define IDR_SHUTTER 101   // type "WAVE": the shutter sound as a complete RIFF WAVE image
#define IDR_CAMERA 102    // type "GIF": the camera picture, 24 x 17
#define IDR_LOGO 103      // type "GIF": the About box logo, 300 x 150
#define IDC_HANDPOINT 104 // cursor: monochrome 32 x 32 pointing hand, hot spot (5, 0)

// The camera window's popup menu and its items.
#define IDR_CAMERA_MENU 201
#define IDM_SAVE 211
#define IDM_CONFIG 212
#define IDM_ABOUT 213
#define IDM_EXIT 214

// The two dialogs and their controls, named after the controls; OK is IDOK.
#define IDD_CONFIG 301
#define IDD_ABOUT 302
#define IDC_LBLMSG0 310
#define IDC_LBLMSG1 311
#define IDC_LBLMSG2 312
#define IDC_LBLQUALITY 313
#define IDC_HSCQUALITY 314
#define IDC_CHESHOW 315
#define IDC_IMGLOGO 316
#define IDC_LBLVER 317
