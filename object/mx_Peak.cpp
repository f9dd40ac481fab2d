#include "object/mx_Peak.h"

namespace mx_object {

pool_of<mx_Peak> mx_Peak::pool;
template class record<mx_Peak>;

}  // namespace mx_object
