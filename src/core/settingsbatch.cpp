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
        commit();
    }
}

bool SettingsBatch::commit(QString* error)
{
    if (!m_open) {
        return true;
    }
    m_open = false;
    return settingsmemory::commitBatch(m_path, error);
}

} // namespace nox
