#include "core/settingsbatch.h"

#include "core/settingsmemory_p.h"

namespace nox
{

SettingsBatch::SettingsBatch(QString iniPath) : m_path(std::move(iniPath))
{
    settingsmemory::openBatch(m_path);
}

SettingsBatch::~SettingsBatch()
{
    if (m_open) {
        // Only a batch left without a commit gets here: a failed write has
        // already gone to the write-failure observer.
        static_cast<void>(commit());
    }
}

Status SettingsBatch::commit()
{
    if (!m_open) {
        return Status::success();
    }
    m_open = false;
    return settingsmemory::commitBatch(m_path);
}

} // namespace nox
