/* Resource ids of the demo viewer, shared by the resource script and the code. */
#ifndef KORVEX_VIEWER_RESOURCE_H
#define KORVEX_VIEWER_RESOURCE_H

#define IDI_KORVEX 140 /* program icon, 16 x 16, 16 colours */

/* Button pictures, 16 colours: 48 x 23 for the protocol and flag buttons,
   56 x 21 for ABOUT and EXIT. */
#define IDB_LAPD 143
#define IDB_LAPF 144
#define IDB_Q931 145
#define IDB_X25 146
#define IDB_Q931_OVER_LAPD 147
#define IDB_X25_OVER_LAPF 148
#define IDB_ETHERNET 149
#define IDB_IP 150
#define IDB_BASIC 151
#define IDB_DETAIL 152
#define IDB_HEX 153
#define IDB_EXIT 154
#define IDB_ABOUT 155

#define IDD_ABOUT 157     /* about dialog */
#define IDB_LOGO 159      /* its logo picture, 108 x 59 */
#define IDC_ABOUT_LIBRARY 1043 /* text: what the library does */
#define IDC_ABOUT_PROGRAM 1044 /* text: this program's name and version */

#endif
