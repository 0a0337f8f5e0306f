#pragma once

// Implemented by the owner of a CKprotChannel (a screen view, a statistics
// window). The channel calls OnChannelData after it appended received bytes,
// and also when no new bytes came but some still wait in its buffer.
class CKprotListener
{
public:
    virtual ~CKprotListener();
    virtual void OnChannelData() = 0;
    // The controller ended the connection: an orderly close or a reset,
    // reported to the operator just before. The channel itself stays as it
    // is; by default the owner does nothing more.
    virtual void OnChannelPeerGone();
};
