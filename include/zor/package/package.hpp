// Everything the library offers.
#pragma once

#include <zor/package/debug_text.hpp>
#include <zor/package/error.hpp>
#include <zor/package/fields.hpp>
#include <zor/package/log.hpp>
#include <zor/package/model.hpp>
#include <zor/package/profile.hpp>
#include <zor/package/reader_options.hpp>
#include <zor/package/validate.hpp>
