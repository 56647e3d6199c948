// https addresses keep certificate and host-name verification: a service with a certificate
// no authority signed is refused instead of trusted.
#include <gtest/gtest.h>
#include <httplib.h>
#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>
#include <thread>

#include "service/http_post.h"

namespace {

struct KeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertificateFree {
  void operator()(X509* certificate) const { X509_free(certificate); }
};

// A key and a certificate for 127.0.0.1 that signs itself.
struct SelfSigned {
  std::unique_ptr<EVP_PKEY, KeyFree> key{EVP_RSA_gen(2048)};
  std::unique_ptr<X509, CertificateFree> certificate{X509_new()};

  SelfSigned() {
    X509* cert = certificate.get();
    ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
    X509_gmtime_adj(X509_getm_notBefore(cert), 0);
    X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
    X509_set_pubkey(cert, key.get());
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
    X509_set_issuer_name(cert, name);
    X509_sign(cert, key.get(), EVP_sha256());
  }
};

}  // namespace

TEST(HttpsVerification, AnUntrustedCertificateIsRefused) {
  SelfSigned identity;
  ASSERT_NE(identity.key, nullptr);
  httplib::SSLServer server(identity.certificate.get(), identity.key.get());
  ASSERT_TRUE(server.is_valid());
  server.Post("/init/getPCConfig", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("{\"code\":0}", "application/json");
  });
  int port = server.bind_to_any_port("127.0.0.1");
  ASSERT_GT(port, 0);
  std::thread serving([&server] { server.listen_after_bind(); });

  std::string reply =
      HttpPost("https://127.0.0.1:" + std::to_string(port) + "/init/getPCConfig", "lan=us");
  server.stop();
  serving.join();
  // 60: the peer's certificate could not be verified.
  EXPECT_EQ(reply, "NETWORK ERROR,CODE:60");
}
