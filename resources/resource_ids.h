// Resource identifiers shared by the .rc script and the code that loads the resources.
#pragma once

#define IDI_PIKUTO 1      // icon group: 16, 32 and 48 pixels, 256 colours
#define IDR_SHUTTER 101   // type "WAVE": the shutter sound as a complete RIFF WAVE image
#define IDR_CAMERA 102    // type "GIF": the camera picture, 24 x 17
#define IDR_LOGO 103      // type "GIF": the About box logo, 300 x 150
#define IDC_HANDPOINT 104 // cursor: monochrome 32 x 32 pointing hand, hot spot (5, 0)
