// The attribute tables, row for row as the directory schema and the parameter files name them.
// Two profile parameter names are spelt "ckecksum": components look them up under exactly that
// name, so the spelling stays.
#include "params/directory_tables.h"

#include <iterator>

namespace kelnl::params {
namespace {

constexpr const char* kListenerAttributes[] = {
    "objectclass", "Nexanetendpointlist", "Nexastartupwaittime", "Nexaconnecttimeout", "Nexaloglevel",
    "Nexalogfile", "Nexalogdirectory", "Nexauseplugandplay", "Nexatracelevel", "Nexatracefile",
    "Nexatracedirectory", "Nexapasswords", "Nexasidlist", "Nexatracefilelen", "Nexatracetimestamp",
    "Nexatracepercentfree", "Nexatracefileno", "Nexanetparamlist", "Nexaversion", ""};
constexpr const char* kListenerParameters[] = {
    "", "end_point_list", "startup_wait_time", "connect_timeout", "logging", "log_file", "log_directory",
    "use_plug_and_play", "trace_level", "trace_file", "trace_directory", "passwords", "sid_list",
    "trace_filelen", "trace_timestamp", "trace_percent_free", "trace_fileno", "param_list", "version", ""};
static_assert(std::size(kListenerAttributes) == 20 && std::size(kListenerParameters) == 20);

constexpr const char* kConnectionManagerAttributes[] = {
    "objectclass", "Nexanetendpointlist", "Nexarule", "Nexatracelevel", "Nexatracefile", "Nexatracedirectory",
    "Nexarelaystatistics", "Nexashowvqtinfo", "Nexauseasynccall", "Nexamaximumrelays", "Nexaloglevel",
    "Nexalogfile", "Nexalogdirectory", "Nexaauthenticationlevel", "Nexamaximumconnectdata", "Nexaanswertimeout",
    "Nexatracefilelen", "Nexatracetimestamp", "Nexatracepercentfree", "Nexatracefileno", "Nexanetparamlist",
    "Nexaversion", ""};
constexpr const char* kConnectionManagerParameters[] = {
    "", "end_point_list", "rule", "trace_level", "trace_file", "trace_directory", "relay_statistics",
    "show_vqt_info", "use_async_call", "maximum_relays", "log_level", "log_file", "log_directory",
    "authentication_level", "maximum_connect_data", "answer_timeout", "trace_filelen", "trace_timestamp",
    "trace_percent_free", "trace_fileno", "param_list", "version", ""};
static_assert(std::size(kConnectionManagerAttributes) == 23 && std::size(kConnectionManagerParameters) == 23);

constexpr const char* kRulesAttributes[] = {
    "objectclass", "Nexarule1", "Nexarule2", "Nexarule3", "Nexarule4", "Nexarule5", "Nexarule6", "Nexarule7",
    "Nexarule8", "Nexarule9", "Nexarule10", "Nexarule11", "Nexarule12", "Nexarule13", "Nexarule14",
    "Nexarule15", "Nexarule16", "Nexarule17", "Nexarule18", "Nexarule19", "Nexarule20", "Nexarule21",
    "Nexarule22", "Nexarule23", "Nexarule24", "Nexarule25", "Nexarule26", "Nexarule27", "Nexarule28",
    "Nexarule29", "Nexarule30", "Nexarule31", "Nexarule32", "Nexaversion", ""};
constexpr const char* kRulesParameters[] = {
    "", "rule1", "rule2", "rule3", "rule4", "rule5", "rule6", "rule7", "rule8", "rule9", "rule10", "rule11",
    "rule12", "rule13", "rule14", "rule15", "rule16", "rule17", "rule18", "rule19", "rule20", "rule21",
    "rule22", "rule23", "rule24", "rule25", "rule26", "rule27", "rule28", "rule29", "rule30", "rule31",
    "rule32", "version", ""};
static_assert(std::size(kRulesAttributes) == 35 && std::size(kRulesParameters) == 35);

constexpr const char* kServiceAttributes[] = {
    "objectclass", "nexaNetDescString", "nexaNetDescName", "nexaVersion", ""};
constexpr const char* kServiceParameters[] = {
    "", "", "", "", ""};
static_assert(std::size(kServiceAttributes) == 5 && std::size(kServiceParameters) == 5);

constexpr const char* kAuthenticationAttributes[] = {
    "objectclass", "Nexaauthenticationtype", "Nexaauthparams", "Nexaversion", ""};
constexpr const char* kAuthenticationParameters[] = {
    "", "", "", "", ""};
static_assert(std::size(kAuthenticationAttributes) == 5 && std::size(kAuthenticationParameters) == 5);

constexpr const char* kProfileAttributes[] = {
    "objectclass", "Nexabequeathdetach", "Nexatraceuniqueclient", "Nexausepivr", "Nexausededicatedserver",
    "Nexazolvadmtraceunique", "Nexazolvadmnoiniserver", "Nexazolvadmintlencrypd", "Nexazolvadminternaluse",
    "Nexazolvadmnoconfirm", "Nexadisableoob", "Nexadaemontracemask", "Nexabrisolexpiretime",
    "Nexanamesrequestretries", "Nexanamesmsgepoolstsz", "Nexanamesinirtytimeout", "Nexanamesmaxopenconns",
    "Nexanamesndsnameconchar", "Nexanamesnismetamap", "Nexadaemontracelevel", "Nexadaemontracefile",
    "Nexadaemontracedirectory", "Nexazolvadmtracelevel", "Nexazolvadmtracefile", "Nexazolvadmtracedir",
    "Nexazolvadmserverpwd", "Nexavqtpingtracelevel", "Nexavqtpingtracefile", "Nexavqtpingtracedirectory",
    "Nexatracelevelclient", "Nexatracelevelserver", "Nexatracefileclient", "Nexatracefileserver",
    "Nexatracedirectoryclient", "Nexatracedirectoryserver", "Nexatracefilelenclient", "Nexatracefilelenserver",
    "Nexatracetimestampclient", "Nexatracetimestampserver", "Nexatracefilenoclient", "Nexatracefilenoserver",
    "Nexatracepercentfreecli", "Nexatracepercentfreesvr", "Nexalogfileclient", "Nexalogfileserver",
    "Nexaloglevelclient", "Nexaloglevelserver", "Nexalogdirectoryclient", "Nexalogdirectoryserver",
    "Nexanamesdceprefix", "Nexanamesdefaultdomain", "Nexabrisolcrypckscli", "Nexabrisolcrypckssvr",
    "Nexabrisolcryptoseed", "Nexabrisolencryptclient", "Nexabrisolencryptserver",
    "Nexabrisolclientregistration", "Nexanamesaddresses", "Nexanamesdirectorypath", "Nexanamespfrdservers",
    "Nexabrisolcrypckstycli", "Nexacrypckstysvr", "Nexabrisolencryptycli", "Nexabrisolencryptysvr",
    "Nexanetshared", "Nexanetparamlist", "Nexasharedprofile", "Nexaauthlist", "Nexabrisolauthservices",
    "Nexaversion", ""};
constexpr const char* kProfileParameters[] = {
    "", "bequeath_detach", "trace_unique_client", "use_pivr", "use_dedicated_server", "zolvadm.trace_unique",
    "zolvadm.no_initial_server", "zolvadm.internal_encrypt_password", "zolvadm.internal_use",
    "zolvadm_noconfirm", "disable_oob", "daemon.trace_mask", "brisol.expire_time", "names.request_retries",
    "names.message_pool_start_size", "names.initial_retry_timeout", "names.max_open_connections",
    "names.nds.name_conchar", "names.nis.meta_map", "daemon.trace_level", "daemon.trace_file",
    "daemon.trace_directory", "zolvadm.trace_level", "zolvadm.trace_file", "zolvadm.trace_directory",
    "zolvadm.server_password", "vqtping.trace_level", "vqtping.trace_file", "vqtping.trace_directory",
    "trace_level_client", "trace_level_server", "trace_file_client", "trace_file_server",
    "trace_directory_client", "trace_directory_server", "trace_filelen_client", "trace_filelen_server",
    "trace_timestamp_client", "trace_timestamp_server", "trace_fileno_client", "trace_fileno_server",
    "trace_percent_free_cli", "trace_percent_free_svr", "log_file_client", "log_file_server",
    "log_level_client", "log_level_server", "log_directory_client", "log_directory_server", "names.dce.prefix",
    "names.default_domain", "brisol.crypto_ckecksum_client", "brisol.crypto_checksum_server",
    "brisol.crypto_seed", "brisol.encryption_client", "brisol.encryption_server", "brisol.client_registration",
    "names.addresses", "names.directory_path", "names.preferred_servers", "brisol.crypto_ckecksum_types_client",
    "brisol.crypto_checksum_types_server", "brisol.encryption_types_client", "brisol.encryption_types_server",
    "shared", "param_list", "shared_profile", "auth_list", "brisol.authentication_services", "version", ""};
static_assert(std::size(kProfileAttributes) == 71 && std::size(kProfileParameters) == 71);

constexpr const char* kAddressAttributes[] = {
    "objectclass", "nexaNetAddressString", "nexaNetAddrList", "nexaNetSourceRoute", "nexaNetLoadBalance",
    "nexaNetFailover", "nexaNetProtocolStack", "nexaNetSdu", "nexaSid", "nexaNetServer", "nexaNetServiceName",
    "nexaNetInstanceName", "nexaNetHandlerName", "nexaTarvoHome", "nexaNetAuthenticationService",
    "nexaNetAuthParams", "nexaNetParamList", "nexaNetDescList", "nexaVersion", ""};
constexpr const char* kAddressParameters[] = {
    "", "address_string", "addr_list", "source_route", "load_balance", "failover", "protocol_stack", "sdu",
    "sid", "server", "service_name", "instance_name", "handler_name", "tarvo_home", "authentication_service",
    "auth_params", "param_list", "desc_list", "version", ""};
static_assert(std::size(kAddressAttributes) == 20 && std::size(kAddressParameters) == 20);

}  // namespace

const AttributeTable kListenerTable{kListenerAttributes, kListenerParameters, std::size(kListenerAttributes) - 1};
const AttributeTable kConnectionManagerTable{kConnectionManagerAttributes, kConnectionManagerParameters,
                                             std::size(kConnectionManagerAttributes) - 1};
const AttributeTable kRulesTable{kRulesAttributes, kRulesParameters, std::size(kRulesAttributes) - 1};
const AttributeTable kServiceTable{kServiceAttributes, kServiceParameters, std::size(kServiceAttributes) - 1};
const AttributeTable kAuthenticationTable{kAuthenticationAttributes, kAuthenticationParameters,
                                          std::size(kAuthenticationAttributes) - 1};
const AttributeTable kProfileTable{kProfileAttributes, kProfileParameters, std::size(kProfileAttributes) - 1};
const AttributeTable kAddressTable{kAddressAttributes, kAddressParameters, std::size(kAddressAttributes) - 1};

bool ProducesNoParameter(std::string_view parameter) {
  return parameter.empty() || parameter == "shared" || parameter == "version";
}

}  // namespace kelnl::params
