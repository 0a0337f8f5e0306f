#include "KprotListener.h"

CKprotListener::~CKprotListener() = default;
