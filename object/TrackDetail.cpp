#include "object/TrackDetail.h"

namespace mx_object {

pool_of<TrackDetail> TrackDetail::pool;
template class record<TrackDetail>;

}  // namespace mx_object
