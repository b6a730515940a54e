// Resource ids used by the ui subsystem.
#pragma once
