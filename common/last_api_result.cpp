// The one definition of LastApiResult, zero at program start.
#include "common/last_api_result.h"

int32_t LastApiResult = 0;
