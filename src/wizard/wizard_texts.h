// Texts of the wizard that are constants of the program rather than resources.
#pragma once

extern const char ProductCaption[];     // caption of the program's own message boxes
extern const char ProductFolder[];      // appended to a folder chosen in the browser
extern const char DefaultBufferSize[];  // the timeshift page's proposal, megabytes
