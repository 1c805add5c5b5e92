#include "app/shell_state.h"

int FullScreen = 0;
int SavedFullScreen = 0;
int VirtualReality = 0;
int VrAvailable = 0;
int StereoAvailable = 0;
int WindowClientX = 0;
int WindowClientY = 0;
int WindowClientWidth = 0;
int WindowClientHeight = 0;
