#include "app/shell_state.h"

int FullScreen = 0;
int SavedFullScreen = 0;
int VirtualReality = 0;
int VrAvailable = 0;
int StereoAvailable = 0;
