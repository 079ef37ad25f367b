#include "service/CallDelivery.h"

#include <algorithm>
#include <array>

namespace tavro {

Delivery deliveryOf(const CallEvidence &evidence)
{
    using Body = CallEvidence::Body;
    static constexpr std::array notHandled{401, 403, 404, 405, 407, 413, 415, 503};
    static constexpr std::array gateway{502, 504};
    if (!evidence.bodySent)
        return Delivery::NotTaken;
    if (evidence.transferFailed)
        return Delivery::Unknown;
    if (std::find(notHandled.begin(), notHandled.end(), evidence.status) != notHandled.end())
        return Delivery::NotTaken;
    if (std::find(gateway.begin(), gateway.end(), evidence.status) != gateway.end())
        return Delivery::Unknown;
    if (evidence.body == Body::Fault)
        return Delivery::NotTaken;
    if (evidence.body == Body::ServiceAnswer && evidence.status >= 200 && evidence.status <= 299)
        return Delivery::Taken;
    return Delivery::Unknown;
}

} // namespace tavro
