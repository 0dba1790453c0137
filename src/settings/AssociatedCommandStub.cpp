// Temporary stub (replaced by the real implementation).
#include "settings/AssociatedCommand.h"
namespace vesk { QString GetAssociatedCommand(const QString&) { return {}; } }
