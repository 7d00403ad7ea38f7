// Ids of Leafcatch.exe's resources (forms/leafcatch.rc); included by the resource
// script and by the program's C++ code, so it holds nothing but #defines.
//
// The program's icon is the icon group named "MAINICON" (a name, not a number):
//     LoadImageA(instance, "MAINICON", IMAGE_ICON, 32, 32, 0)
// Named groups sort before numbered ones, and Explorer shows the first group.
// Keep it the only named icon group, or one whose name sorts after "MAINICON".
#ifndef LEAFCATCH_FORMS_RESOURCE_IDS_H
#define LEAFCATCH_FORMS_RESOURCE_IDS_H

// Glyphs of the picture buttons 1 and 2: 32 x 32, 256 colours, background
// C0C0C0; load them with LR_LOADMAP3DCOLORS so that it becomes the button face.
#define IDB_GLYPH1 101
#define IDB_GLYPH2 102

#endif
