// Resource ids used by the message boxes and file dialogs.
#pragma once
