#pragma once
// Ids of the program's resources: app/Tovanel.rc embeds them, the windows
// load them. Plain defines, since the resource compiler reads this too.

#define IDI_TOVANEL 1  // the program's icon
