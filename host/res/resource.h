// Resource ids of Pomarel.scr, shared by pomarel.rc and the code that loads them (the preview
// still is looked up by type and id; the icon is also the forms' class icon).
#pragma once

namespace res {

#define IconScissors 1
// The system's screensaver list shows string 1 of a .scr.
#define DescriptionString 1
#define PreviewPicture 1
#define PreviewPictureType "JPEG"

}  // namespace res
