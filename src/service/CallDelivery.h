#pragma once

#include "common/Error.h"

#include <QByteArray>

namespace tavro {

// What a call learned of whether the service took its request. The service gives a request
// no identity, so a request that may have been taken must never be posted again silently:
// only evidence that nothing reached the service, or that the service itself refused it,
// makes a call "not taken".
enum class Delivery {
    NotTaken, // nothing reached the service, or the service said it did not take the request
    Taken,    // the service's answer to the request
    Unknown,  // the request may have reached the service and its answer was not seen
};

// What a call saw of its request and of the answer.
struct CallEvidence
{
    // What the answer's body held, read as a SOAP message.
    enum class Body {
        None,          // no answer arrived
        ServiceAnswer, // a SOAP envelope with the operation's answer in its Body
        Fault,         // a SOAP envelope with a Fault
        Other,         // anything else: an HTML page, an empty or cut body, another document
    };

    bool bodySent = false;       // a byte of the request's body went out
    bool transferFailed = false; // the transfer ended without a whole answer (time-out, closed, reset)
    int status = 0;              // the answer's HTTP status, 0 when none arrived
    Body body = Body::None;
};

// The one place that turns what a call saw into its delivery:
// - no byte of the body sent (refused, not resolved, TLS handshake, description or log
//   failures before the post): not taken;
// - a transfer that failed after the body went: unknown;
// - 401, 403, 404, 405, 407, 413, 415 and 503: the service (or the proxy in front of it) said it
//   did not handle the request: not taken;
// - 502 and 504 (a gateway that lost the service's answer): unknown;
// - a SOAP fault: not taken; the service's answer with a 2xx status: taken;
// - any other answer: unknown.
Delivery deliveryOf(const CallEvidence &evidence);

// A failed call with its delivery. Every error SoapClient::invoke raises is one.
class CallFailure : public Error
{
public:
    CallFailure(const Error &error, Delivery delivery)
        : Error(error.message(), error.hint())
        , m_delivery(delivery)
    {
    }
    Delivery delivery() const { return m_delivery; }

private:
    Delivery m_delivery;
};

} // namespace tavro
