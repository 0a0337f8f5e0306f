#pragma once

// Implemented by the owner of a CKprotChannel (a screen view, a statistics
// window). The channel calls OnChannelData after it appended received bytes,
// and also when no new bytes came but some still wait in its buffer.
class CKprotListener
{
public:
    virtual ~CKprotListener();
    virtual void OnChannelData() = 0;
};
