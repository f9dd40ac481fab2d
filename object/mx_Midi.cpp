#include "object/mx_Midi.h"

namespace mx_object {

pool_of<mx_Midi> mx_Midi::pool;
template class record<mx_Midi>;

}  // namespace mx_object
