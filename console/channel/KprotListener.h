#pragma once

// Implemented by the owner of a CKprotChannel (a screen view, a statistics
// window). The channel calls OnChannelData after it appended received bytes,
// and also when no new bytes came but some still wait in its buffer.
class CKprotListener
{
public:
    virtual ~CKprotListener();
    virtual void OnChannelData() = 0;
    // The connection to the controller ended, as reported to the operator
    // just before: an orderly close or a reset by the controller, or a send
    // that failed. The channel itself stays as it is (open in the console's
    // sense); by default the owner does nothing more. The owner may close or
    // delete the channel from here.
    virtual void OnChannelPeerGone();
};
