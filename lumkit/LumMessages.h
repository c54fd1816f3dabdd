// The library's registered window messages. The first two are exported as
// data (ordinals 51 and 50) and valid once the library has loaded.
#pragma once

#ifdef LUMKIT_BUILD
#define LUMKIT_DATA __declspec(dllexport)
#else
#define LUMKIT_DATA __declspec(dllimport)
#endif

extern "C" {
LUMKIT_DATA extern unsigned int LUMKIT_INPLACE_EDIT_FINISHED;  // 51
LUMKIT_DATA extern unsigned int LUMKIT_DRAGDROP_FINISHED;      // 50
}

#define LUMKIT_MSG_INPLACE_EDIT_FINISHED "Varnek MFC Extension library: Inplace Edit Finished"
#define LUMKIT_MSG_DRAGDROP_FINISHED "Varnek MFC Extension library: Drag'n'Drop Operation Finished"
#define LUMKIT_MSG_REQUEST_DESTROY "Varnek MFC Extension library: Internal Request To Destroy"
