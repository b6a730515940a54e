// Resource ids used by the message boxes and file dialogs.
#pragma once

// Caption of a message box whose caller gives no title.
#define IDS_MSGBOX_TITLE 10001
