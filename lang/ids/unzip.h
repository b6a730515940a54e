// Resource ids used by the unzip subsystem.
#pragma once
