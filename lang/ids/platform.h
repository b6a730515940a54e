// Resource ids used by the platform subsystem.
#pragma once
