// The process-wide product record.
#include "base/product_info.h"

ProductInfo g_product;
