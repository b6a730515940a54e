// Resource ids used by the foundation subsystem.
#pragma once
