#include "object/VOXPAIR_Tracks.h"

namespace mx_object {

pool_of<VOXPAIR_Tracks> VOXPAIR_Tracks::pool;
template class record<VOXPAIR_Tracks>;

}  // namespace mx_object
