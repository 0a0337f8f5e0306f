#pragma once

// Implemented by the owner of a CKprotChannel (a screen view, a statistics
// window). The channel calls OnChannelData after it appended received bytes,
// and also when no new bytes came but some still wait in its buffer.
class CKprotListener
{
public:
    virtual ~CKprotListener();
    virtual void OnChannelData() = 0;
    // Called once the channel has told the operator that its connection
    // ended: the controller closed or reset it, or a send failed. The
    // channel still counts as open; what follows is the owner's choice.
    // The owner may close or delete the channel from here.
    virtual void OnChannelEnded() {}
};
