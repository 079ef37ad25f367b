#include "service/CallDelivery.h"

#include <gtest/gtest.h>

using namespace tavro;
using Body = CallEvidence::Body;

// Each row of what a call can see, and whether the service may hold the request.
TEST(CallDelivery, EachEvidenceHasItsDelivery)
{
    const struct
    {
        const char *seen;
        CallEvidence evidence;
        Delivery expected;
    } cases[] = {
        {"refused, unresolved, TLS, nothing of the body sent", {false, true, 0, Body::None}, Delivery::NotTaken},
        {"description or log failure before the post", {false, false, 0, Body::None}, Delivery::NotTaken},
        {"time-out or closed after the body went", {true, true, 0, Body::None}, Delivery::Unknown},
        {"cut in the middle of the answer", {true, true, 200, Body::None}, Delivery::Unknown},
        {"401", {true, false, 401, Body::Other}, Delivery::NotTaken},
        {"403", {true, false, 403, Body::Other}, Delivery::NotTaken},
        {"404", {true, false, 404, Body::Other}, Delivery::NotTaken},
        {"405", {true, false, 405, Body::Other}, Delivery::NotTaken},
        {"407 of the proxy", {true, false, 407, Body::Other}, Delivery::NotTaken},
        {"413", {true, false, 413, Body::Other}, Delivery::NotTaken},
        {"415", {true, false, 415, Body::Other}, Delivery::NotTaken},
        {"503", {true, false, 503, Body::Other}, Delivery::NotTaken},
        {"SOAP fault with 500", {true, false, 500, Body::Fault}, Delivery::NotTaken},
        {"SOAP fault with 200", {true, false, 200, Body::Fault}, Delivery::NotTaken},
        {"the service's answer", {true, false, 200, Body::ServiceAnswer}, Delivery::Taken},
        {"502", {true, false, 502, Body::Other}, Delivery::Unknown},
        {"504", {true, false, 504, Body::Other}, Delivery::Unknown},
        {"504 even with a fault", {true, false, 504, Body::Fault}, Delivery::Unknown},
        {"500 with a page", {true, false, 500, Body::Other}, Delivery::Unknown},
        {"400 with a page", {true, false, 400, Body::Other}, Delivery::Unknown},
        {"200 with a page, or a body that cannot be read", {true, false, 200, Body::Other}, Delivery::Unknown},
        {"the answer under a redirect", {true, false, 302, Body::ServiceAnswer}, Delivery::Unknown},
    };
    for (const auto &c : cases)
        EXPECT_EQ(deliveryOf(c.evidence), c.expected) << c.seen;
}
