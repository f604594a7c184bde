// A client dataset as JSON: an array of records, each an object of its
// fields. Texts become UTF-8, amounts decimal strings as the dataset holds
// them ("1234.5"), dates "yyyy-mm-dd", moments "yyyy-mm-ddThh:nn:ss", a
// null field null.
#pragma once
#include "platform/dataset/dataset.h"
#include "tools/qdm_service/problem.h"

namespace qdm_service {

Json DatasetJson(platform::TClientDataSet& dataset);

}  // namespace qdm_service
