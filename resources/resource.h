/* Resource ids of VornLauncher. Plain numbers, shared by the .rc file and the code.
   The icon group "IDI_LAUNCHER" and the cursor group "CURSOR2" are named, not numbered. */
#ifndef VORN_RESOURCE_H
#define VORN_RESOURCE_H

/* Dialog templates */
#define IDD_VIDEO_SETUP      383
#define IDD_HELP             385
#define IDD_SELECT_SERVER    387

/* Button images (RT_BITMAP, 192 x 45, 24 bits). Not contiguous: the button bar
   looks them up in its slot table. */
#define IDB_INSTALL_NORMAL      325
#define IDB_INSTALL_HOVER       326
#define IDB_INSTALL_PRESSED     327
#define IDB_PLAY_PRESSED        328
#define IDB_PLAY_NORMAL         329
#define IDB_PLAY_HOVER          330
#define IDB_CINEMA_PRESSED      331
#define IDB_CINEMA_NORMAL       332
#define IDB_CINEMA_HOVER        333
#define IDB_HELP_PRESSED        334
#define IDB_HELP_NORMAL         335
#define IDB_HELP_HOVER          336
#define IDB_SERVER_PRESSED      337
#define IDB_SERVER_NORMAL       338
#define IDB_SERVER_HOVER        339
#define IDB_DIRECTX_PRESSED     340
#define IDB_DIRECTX_NORMAL      341
#define IDB_DIRECTX_HOVER       342
#define IDB_VIDEO_PRESSED       343
#define IDB_VIDEO_NORMAL        344
#define IDB_VIDEO_HOVER         345
#define IDB_EXIT_HOVER          373
#define IDB_EXIT_NORMAL         374
#define IDB_EXIT_PRESSED        375
#define IDB_SERVER_DISABLED     391
#define IDB_HELP_DISABLED       392
#define IDB_DIRECTX_DISABLED    393
#define IDB_INSTALL_DISABLED    394
#define IDB_CINEMA_DISABLED     395
#define IDB_VIDEO_DISABLED      396
#define IDB_PLAY_DISABLED       398
#define IDB_EXIT_DISABLED       399

/* Help dialog */
#define IDC_HELP_README      1081
#define IDC_HELP_COMMUNITY   1082

/* Video setup dialog */
#define IDC_VIDEO_GLSETUP    1083
#define IDC_VIDEO_DIRECT3D   1084
#define IDC_VIDEO_OPENGL     1085
#define IDC_VIDEO_QUIT       1087
#define IDC_VIDEO_SAVAGE     1096

/* Server selection dialog */
#define IDC_SERVER_LIST      1089
#define IDC_SERVER_PROMPT    1090
#define IDC_SERVER_UPDATE    1094

/* The community site's host name: the Help dialog's second caption and the page
   the launcher opens. */
#define VORN_COMMUNITY_HOST  "www.vorn-community.example"

#endif
