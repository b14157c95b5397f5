#pragma once

#include "transfer/stopgroup.h"

class FtpClient;

using FtpStopGroup = StopGroup<FtpClient>;
