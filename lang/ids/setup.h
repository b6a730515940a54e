// Resource ids used by the setup subsystem.
#pragma once
