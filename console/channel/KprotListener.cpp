#include "KprotListener.h"

CKprotListener::~CKprotListener() = default;

void CKprotListener::OnChannelPeerGone()
{
}
